
#include "nowhere.fxh"
