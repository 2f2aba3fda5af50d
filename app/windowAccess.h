#pragma once

class TForm1;

// Shows the window to assistive technology as a screen reader expects it: a frame whose
// controls have Czech names, each tied to the label that names it, without the shapes and
// the drawing layer; the particle count as a status text that is announced at most about
// once a second during a run and once at its end; the pace as the spin button's value.
// Binds Ctrl+Up and Ctrl+Down anywhere in the window to clicks on the halves of the pace
// button.
void makeWindowAccessible(TForm1& window);
