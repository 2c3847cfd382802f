#pragma once

namespace tobimaru {

/// The program's entry: refuses a second instance, shows the splash, loads and shows the main
/// window, opens the tree down to the start folder and runs the event loop.
int SubMain(int argc, char** argv);

} // namespace tobimaru
