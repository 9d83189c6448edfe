#include "Logging.h"

Q_LOGGING_CATEGORY(lcCore, "quorvane.core")
