#include "bitmapResource.h"

#include <QString>

namespace {
std::function<QImage(const char*)>& hook() {
    static std::function<QImage(const char*)> h;
    return h;
}
} // namespace

QImage loadBitmapResource(const char* name) {
    if (hook()) {
        // A copy: the hook may replace itself while it runs.
        const std::function<QImage(const char*)> h = hook();
        return h(name);
    }
    if (!name) return QImage();
    return QImage(QStringLiteral(":/") + QString::fromLatin1(name), "BMP");
}

void setBitmapResourceHook(std::function<QImage(const char*)> hook_) {
    hook() = std::move(hook_);
}
