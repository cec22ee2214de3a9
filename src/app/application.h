#pragma once

// Runs the Dayloom application: one instance per user, the root window, the stores.
int runDayloom(int argc, char *argv[]);

// Makes the statically linked QML modules known to the engine. Call before loading QML.
void registerDayloomQmlModules();
