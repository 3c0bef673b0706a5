#pragma once

#define IDI_KESTROVA 1
#define IDC_HAND_POINTER 101
