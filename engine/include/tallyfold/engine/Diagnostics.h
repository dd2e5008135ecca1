// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ostream>

namespace engine {

// The engine reports bad input on the error stream and dumps layouts on the output
// stream. Both default to the process's standard streams; tests and the benchmark
// point them elsewhere so that the messages can be checked or kept out of a table.
std::ostream& DiagnosticOut();
std::ostream& DiagnosticErr();

// nullptr puts the standard stream back.
void RedirectDiagnostics(std::ostream* out, std::ostream* err);

// Layout dumps and the generator's notes on attempts it recovers from help whoever tunes
// the generator, but they are noise to a player's log and to the tool's readers: they
// are written only while this is switched on (off by default).
void EnableDebugDiagnostics(bool on);
bool DebugDiagnostics();

}  // namespace engine
