// vudplot: a report of vudstats as a page of charts.
#include "vudplot/vudplot.h"

int main(int argc, char** argv) { return vudplot::run_vudplot(argc, argv); }
