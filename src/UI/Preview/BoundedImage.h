#pragma once

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>

#include <functional>

class ImageStore;

// The full picture of an image item, decoded no larger than the place that shows it: scaled while
// it is read to the view's size in device pixels, never enlarged, and never beyond a hard cap
// whatever the view asks. A 20,000 × 20,000 screenshot costs a few megabytes, not gigabytes.
namespace BoundedImage {

// The longest side a decoded picture may have.
constexpr int kMaxSide = 4096;

struct Loaded {
    QImage image;
    // The picture's own size in pixels, as the file says (orientation applied).
    QSize originalSize;
};

// The size a picture of `original` pixels is decoded at to fill `box` (device pixels; a width or
// height of 0 leaves that side unbounded): fitted inside, never enlarged, longer side at most
// kMaxSide.
QSize decodeSize(QSize original, QSize box);

// Reads the stored picture at its bounded size; empty when the file is missing or unreadable.
// Safe on any thread.
Loaded read(ImageStore& store, const QString& filename, QSize box);

// The same on a worker thread; `done` runs on the thread of `context`, and not at all when
// `context` is gone by then.
void load(ImageStore& store, const QString& filename, QSize box, QObject* context,
          std::function<void(const Loaded&)> done);

} // namespace BoundedImage
