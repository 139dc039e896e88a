// The driver: reads the command line into the run's options and runs the
// phases in order.
#pragma once

// The whole run, from the banner to the end of the program.
[[noreturn]] void RunConverter();
