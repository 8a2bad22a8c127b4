#include "LibTipHost.h"

LibTipHost::~LibTipHost() = default;
