#pragma once

#define IDI_KESTROVA 1
