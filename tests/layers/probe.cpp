// Compiled, never run, by the layers.* tests with the include path one layer builds with: the
// header named by PROBE_HEADER must be found when it belongs to that layer or one below it, and
// must not be found when it belongs to a layer above.
#include PROBE_HEADER
