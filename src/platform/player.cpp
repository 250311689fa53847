#include "platform/player.h"
