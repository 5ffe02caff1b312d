#pragma once

#include <QString>

// The reader program: single instance, the previous run's leftovers tidied, the server
// started beside it, the main window.
class CQuillmereApp {
public:
    int Run(int argc, char** argv);

    // Removes the follows marked temporary or deleted, with their thread files.
    static void PurgeTemporaryFollows();
    // Deletes the files (not the folders) left in the picture folder.
    static void ClearPictureDirectory();
    // Starts the server beside the reader, with the reader's home.
    static void StartServer();
};
