// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

class Runtime;
class Tavola;

/// The program as main() runs it: the process and the application set up,
/// the sound loaded when the window asks for it, the window shown with the
/// given runtime, then `loop`, which by default is Qt's event loop. The
/// benchmarks run the same start through here with a runtime of their own.
int runProgram(int &argc, char *argv[], Runtime &runtime,
               const std::function<int(Tavola &)> &loop = {});
