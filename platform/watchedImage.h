#pragma once

#include <QImage>

#include <functional>

// An image that tells its owner about every change of its contents: assigning, emptying
// and loading alike, even when the new contents happen to equal the old.
class WatchedImage {
public:
    explicit WatchedImage(std::function<void()> onChange = {}) : FOnChange(std::move(onChange)) {}

    void setOnChange(std::function<void()> onChange) { FOnChange = std::move(onChange); }

    const QImage& image() const { return FImage; }
    bool isEmpty() const { return FImage.isNull() || FImage.width() == 0 || FImage.height() == 0; }
    int width() const { return FImage.width(); }
    int height() const { return FImage.height(); }

    // A null image empties it.
    void assign(const QImage& image) {
        FImage = image;
        changed();
    }
    void clear() {
        FImage = QImage();
        changed();
    }

private:
    void changed() {
        if (FOnChange) FOnChange();
    }

    QImage FImage;
    std::function<void()> FOnChange;
};
