#pragma once

#define IDI_VERDALY 1
