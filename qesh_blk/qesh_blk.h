// Start-up clearing of the library's shared state.
#ifndef QESH_BLK_QESH_BLK_H_
#define QESH_BLK_QESH_BLK_H_

namespace vud {

// Clears the menu records and the message buffer; the main program calls it first.
void ezero();

}  // namespace vud

#endif  // QESH_BLK_QESH_BLK_H_
