#include "platform/kernel.h"
