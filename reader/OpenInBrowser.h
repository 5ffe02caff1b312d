#pragma once

#include <QString>

#include <functional>

// Opens an address in the user's default browser (the shell's "Open").
void OpenInBrowser(const QString& address);

// Tests see the addresses through this seam instead of a browser; empty restores the browser.
void SetBrowserOpener(std::function<void(const QString&)> opener);
