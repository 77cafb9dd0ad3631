#include "discovery/numbering.h"
