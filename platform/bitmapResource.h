#pragma once

#include <QImage>

#include <functional>

// A bitmap carried in the program's resources, by its resource name (":/NAME"); a null
// image when there is no such resource or it does not decode.
QImage loadBitmapResource(const char* name);

// Tests replace the loader (for example to fail on one name); empty restores it.
void setBitmapResourceHook(std::function<QImage(const char* name)> hook);
