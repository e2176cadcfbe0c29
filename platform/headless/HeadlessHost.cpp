#include "platform/Host.h"
