// Sockets over the ground rules (allowed).
#pragma once
#include "core/Rules.h"
