#include "stampavuota.h"

bool stampaVuota = false;
