/* Compiles the three record headers as C in every build, so that a 32-bit
 * build stops on any size or offset that drifts from the host's layout. */
#include "sdk/filter.h"
#include "sdk/host.h"
#include "sdk/output.h"

int qp_sdk_layout_checked;
