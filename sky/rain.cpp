// sky/rain.cpp — the weather controller, drops and lightning.
#include "sky/rain.h"

train rain;
