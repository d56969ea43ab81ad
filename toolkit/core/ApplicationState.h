// The one fact about the application object that portable code needs: whether it is being
// destroyed. The Windows application registers its application component here when it creates
// it (and clears it when it is gone); library code asks ApplicationDestroying() to stay quiet
// during shutdown. Without a registered application the answer is false.
#pragma once

class TComponent;

// Registers (or, with null, clears) the application component.
void SetApplicationComponent(TComponent* Application);
TComponent* ApplicationComponent();
// True while the registered application component carries csDestroying.
bool ApplicationDestroying();
