// Ground rules that wrongly reach up to the sockets.
#pragma once
#include "net/Socket.h"
