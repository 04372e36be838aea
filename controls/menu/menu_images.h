#pragma once

#include <QImage>
#include <QSize>

#include <vector>

// Images of one size, in order.
struct MenuImageList {
    QSize imageSize;
    std::vector<QImage> images;
};

// A toolbar as a source of item images: a strip of images side by side, one for each button that is
// not a separator (command 0), in the order of `commands`.
struct MenuToolbar {
    QImage strip;
    std::vector<unsigned> commands;
};

// The image list that every owner-drawn menu of a process shares: the images of the commands, each
// command's images one after the other (its image, then the copies of the look it was added in).
// It only grows; a command's images are replaced in place.
class CSharedMenuImages {
public:
    const MenuImageList& List() const { return m_list; }
    // The size of the images: the first size offered, kept from then on.
    QSize SizeFor(QSize offered);
    // The first index of the command's images, or -1.
    int Find(unsigned commandId) const;
    // Puts `images` under the command: over the command's images when it has some (no more of them
    // than it has, so no other command's index moves), else at the end. The index of the first.
    int Put(unsigned commandId, const std::vector<QImage>& images);
    // The image at `first + shift` when it belongs to the command of `first` (images added in a look
    // without copies have none); else a null image.
    QImage At(int first, int shift) const;

private:
    MenuImageList m_list;
    std::vector<unsigned> m_ids; // the command of each image
};
