#pragma once

#include <gtest/gtest.h>

namespace fambridge::testing {

// Permission bits stop nothing for root. A test that needs a write or a deletion to fail calls this first:
// as root it runs the same test again in a child process as the user nobody and returns true, after
// which the caller returns at once; otherwise (already unprivileged) it returns false and the test goes on.
bool rerunUnprivileged();

} // namespace fambridge::testing
