// SPDX-License-Identifier: GPL-3.0-or-later
#include "tallyfold/engine/Diagnostics.h"

#include <iostream>

namespace engine {
namespace {
std::ostream* g_out = nullptr;
std::ostream* g_err = nullptr;
bool g_debug = false;
}  // namespace

std::ostream& DiagnosticOut() { return g_out ? *g_out : std::cout; }
std::ostream& DiagnosticErr() { return g_err ? *g_err : std::cerr; }

void RedirectDiagnostics(std::ostream* out, std::ostream* err) {
    g_out = out;
    g_err = err;
}

void EnableDebugDiagnostics(bool on) { g_debug = on; }
bool DebugDiagnostics() { return g_debug; }

}  // namespace engine
