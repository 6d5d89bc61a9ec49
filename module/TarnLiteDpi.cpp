#include "module/TarnLiteDpi.h"

TarnLiteDpi::~TarnLiteDpi() = default;
