#include "cycle.fxh"
