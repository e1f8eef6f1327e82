// jex2csv: converts a capture of received radio packets to CSV, or lists the
// sensors heard in it.
#include "jex2csv/jex2csv.h"

int main(int argc, char** argv) {
  const int status = jex::JexParseCommandLine(argc, argv);
  if (status != jex::kGoOn) return status;
  jex::JexDataRead();
  return jex::JexFinish();
}
