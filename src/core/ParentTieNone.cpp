#include "Async.h"

namespace quorvane {

// No system call here ties a child's life to ours; the owners still end every child at a normal quit.
void tieToParent(QProcess *) {}

} // namespace quorvane
