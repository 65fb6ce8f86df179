#pragma once

// What the console does before it loads its pages: the QML types the pages
// create and the bundled font. Shared by the executable and the tests that
// load the real pages.
void registerQmlTypes();
void installBundledFont();
