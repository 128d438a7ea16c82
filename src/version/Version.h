#pragma once
// The version every program prints with --version and the panel and the report
// show: the project's version and, when built from a git checkout, its commit.

namespace kx {

// "1.3.0 (g4c59287)"; "1.3.0" when built outside a checkout.
const char* VersionText();

}  // namespace kx
