// Handing the handheld back to its launcher when the process ends.
#ifndef LAUNCHER_H
#define LAUNCHER_H

// Exit handler: closes the fonts, shuts SDL down and replaces the process with the
// launcher, started in the launcher's folder with nothing of the program's open but
// the standard input, output and error. Returns only when the launcher cannot be started.
void Terminate();

#endif
