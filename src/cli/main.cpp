#include "cli/cli.h"
#include "core/base/command_line.h"
#include "core/base/console_streams.h"
#include "core/base/signal_cleanup.h"

int main(int argc, char** argv) {
  const trulvex::ConsoleStreams console;
  // Ctrl+C during a long write leaves no temporary file behind.
  trulvex::RemoveHelperFilesOnSignal();
  trulvex::cli::Streams streams;
  streams.out_is_terminal = console.out_is_terminal();
  return trulvex::cli::RunCli(trulvex::CommandLineArguments(argc, argv),
                              streams);
}
