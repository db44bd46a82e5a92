// qhost bench: the host's own per-frame work, timed against a memcpy of the
// working frame in the same run.
#pragma once

namespace qhost {

int run_bench(int w, int h, int runs);

}  // namespace qhost
