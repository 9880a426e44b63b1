// sky/day.cpp — day and night.
#include "sky/day.h"

tday day;
