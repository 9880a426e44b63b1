// sky/cloud.cpp — the clouds.
#include "sky/cloud.h"

tcloud clouds;
