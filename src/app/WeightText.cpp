#include "WeightText.h"

QString WeightText;
