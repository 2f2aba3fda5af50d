#pragma once

class TForm1;

// Gives every control of the window a Czech name from its label for assistive technology,
// exposes the particle count as a status text, and binds Ctrl+Up and Ctrl+Down anywhere in
// the window to clicks on the top and bottom halves of the pace button.
void makeWindowAccessible(TForm1& window);
