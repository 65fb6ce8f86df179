#include "Globals.h"

QObject *mainQMLObject = nullptr;
std::uint8_t cDebug = 0;
std::atomic<int> heaterisON{0};
