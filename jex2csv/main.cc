// jex2csv: converts a capture of received radio packets to CSV, or lists the
// sensors heard in it.
#include "jex2csv/jex2csv.h"
#include "jex2csv/platform.h"

int main(int argc, char** argv) {
  jex::platform::OpenClosedStandardStreams();
  return jex::JexMain(argc, argv);
}
