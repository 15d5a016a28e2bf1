// Names by which the programs find each other; defined once.
#pragma once

inline constexpr wchar_t ZV_CORE_HIDDEN_WND_TITLE[] = L"$$$ Zuvora! Hidden Main Window %%%";
