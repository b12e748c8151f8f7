#include "checks/display.h"

DisplayProbe probe_display()
{
    return {};  // not probed yet
}
