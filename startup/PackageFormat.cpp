#include "startup/PackageRecord.h"
