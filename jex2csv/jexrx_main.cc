// jexrx: passes capture records through the receiver, deciphering the
// packets of paired sensors, and writes the capture again.
#include "jex2csv/JexRxFilter.h"
#include "jex2csv/platform.h"

int main(int argc, char** argv) {
  jex::platform::OpenClosedStandardStreams();
  return jex::RxMain(argc, argv);
}
