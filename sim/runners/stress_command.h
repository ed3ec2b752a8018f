#pragma once

namespace sim {

// The soak and hostile-game runs of the command line:
//   --soak SECONDS [--seed N] [--workdir DIR] [--require-activity] [--verbose]
//   --hostile zero|garbage [--passes N] [--seed N] [--workdir DIR] [--require-activity] [--verbose]
// --verbose: the soak reports every simulated hour; the hostile run lists its calls by native.
// Returns the exit code, or -1 when the arguments ask for neither (a scenario run).
int runStressCommand(int argc, char** argv);

}  // namespace sim
