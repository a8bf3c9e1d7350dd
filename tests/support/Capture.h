#pragma once

// Runs a program (found through PATH) with the test's environment and returns
// its standard output without the last line ends; "<spawn failed>" when it
// could not be started.

#include <string>
#include <vector>

std::string Capture(const std::vector<std::string>& argv);
