#pragma once

// The reader program: single instance, the server started beside it, the main window.
class CQuillmereApp {
public:
    int Run(int argc, char** argv);
};
