// The date and time values of expression literals are the server utilities'.
#pragma once

#include "Utility/VXDateTime.h"
