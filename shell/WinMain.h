#pragma once

class TInstanceLock;

// Takes this copy's instance number (1 to 3) and sets InstanceNumber; 0, after telling the user, when
// three copies already run or no number can be taken at all.
int TakeInstanceNumber(TInstanceLock &lock);

// The program entry: the instance limit, the application and the main window, the message loop.
int WinMain(int argc, char **argv);
