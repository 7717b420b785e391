#pragma once
#include <string>
#include "params/params.h"
bool ApplySetOption(RimelaceParams& params, const std::string& text, std::string* error);
