// The store of pictures held in memory: held pictures are read without a file, realized into the
// same file KXWriteCGImageToURL writes, dropped without a trace; the memory bound writes the oldest
// out; holding is opt-in per thread through a Deferral, which forgets what it still holds.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <tuple>

#include "platform/FileSystem.h"
#include "platform/ImageDecoding.h"
#include "support/TestSupport.h"
#include "util/KXPictureStore.h"
#include "util/KXWriteCGImageToURL.h"

using namespace kx;

namespace {

ImageRef solid(int w, int h, std::uint8_t value) {
    auto image = Image::make(w, h, PixelFormat::RGBA8);
    for (size_t i = 0; i < image->pixels.size(); ++i) image->pixels[i] = (i % 4 == 3) ? 255 : value;
    return image;
}

std::string freshPath(const std::string& name) {
    const std::string path = pathJoin(test::tempDir(), name);
    removeAll(path);
    return path;
}

}  // namespace

TEST(KXPictureStore, HeldPictureIsReadWithoutAFileAndRealizedAsTheWriterWritesIt) {
    KXPictureStore store;
    const ImageRef picture = solid(6, 4, 90);
    const std::string held = freshPath("store-held.png"), direct = freshPath("store-direct.png");
    ASSERT_TRUE(store.defer(picture, held, ImageFileType::PNG, 144, 144, 1.0f, 3));
    EXPECT_FALSE(fileExists(held)) << "nothing is written while held";
    EXPECT_TRUE(store.isHeld(held));
    EXPECT_TRUE(store.exists(held));
    EXPECT_EQ(store.heldType(held), ImageFileType::PNG);
    EXPECT_EQ(store.read(held), picture) << "the held bitmap itself, not a decoded copy";
    EXPECT_EQ(store.heldBytes(), picture->pixels.size());

    ASSERT_TRUE(store.realize(held));
    EXPECT_FALSE(store.isHeld(held));
    EXPECT_EQ(store.heldBytes(), 0u);
    ASSERT_TRUE(KXWriteCGImageToURL(picture, direct, ImageFileType::PNG, 144, 144, 1.0f, 3));
    EXPECT_EQ(readFile(held), readFile(direct)) << "the same bytes as a picture written at once";
    EXPECT_TRUE(store.realize(held)) << "a file on disk is realized already";
    ImageRef back = store.read(held);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->pixels, picture->pixels) << "read from the file once it is written";

    // Dropped: no file, nothing held, nothing to read; realizing it afterwards finds nothing.
    const std::string dropped = freshPath("store-dropped.png");
    ASSERT_TRUE(store.defer(picture, dropped, ImageFileType::PNG, 72, 72, 1.0f, 3));
    store.drop(dropped);
    EXPECT_FALSE(store.exists(dropped));
    EXPECT_FALSE(store.read(dropped));
    EXPECT_FALSE(store.realize(dropped));
    EXPECT_FALSE(fileExists(dropped));

    EXPECT_FALSE(store.defer(nullptr, freshPath("store-none.png"), ImageFileType::PNG, 72, 72, 1.0f, 3));
    EXPECT_FALSE(store.defer(picture, "", ImageFileType::PNG, 72, 72, 1.0f, 3));
    EXPECT_EQ(store.heldCount(), 0u);
}

TEST(KXPictureStore, BeyondTheMemoryBoundTheOldestAreWrittenOut) {
    KXPictureStore store;
    const ImageRef picture = solid(10, 10, 200);  // 400 bytes
    store.setMemoryLimit(3 * picture->pixels.size());
    std::vector<std::string> paths;
    for (int i = 0; i < 5; ++i) {
        paths.push_back(freshPath("store-bound-" + std::to_string(i) + ".png"));
        ASSERT_TRUE(store.defer(picture, paths.back(), ImageFileType::PNG, 72, 72, 1.0f, 3));
    }
    EXPECT_EQ(store.heldCount(), 3u);
    EXPECT_LE(store.heldBytes(), 3 * picture->pixels.size());
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        // The two oldest are on disk, the three newest still held; none is lost.
        EXPECT_EQ(isRegularFile(paths[i]), i < 2);
        EXPECT_EQ(store.isHeld(paths[i]), i >= 2);
        ImageRef read = store.read(paths[i]);
        ASSERT_TRUE(read);
        EXPECT_EQ(read->pixels, picture->pixels);
    }
    // A tighter bound writes out what no longer fits, at once.
    store.setMemoryLimit(0);
    EXPECT_EQ(store.heldCount(), 0u);
    for (const std::string& path : paths) EXPECT_TRUE(isRegularFile(path));
}

TEST(KXPictureStore, ADeferralHoldsOnlyOnItsThreadAndForgetsWhatItStillHolds) {
    KXPictureStore& store = KXPictureStore::shared();
    const ImageRef picture = solid(4, 4, 30);
    const std::string kept = freshPath("store-deferral-kept.png"), left = freshPath("store-deferral-left.png");
    const std::string elsewhere = freshPath("store-deferral-other-thread.png");
    const std::string jpeg = freshPath("store-deferral.jpeg"), after = freshPath("store-deferral-after.png");
    {
        KXPictureStore::Deferral deferral;
        EXPECT_EQ(KXPictureStore::activeOwner(), deferral.owner());
        ASSERT_TRUE(KXWriteOrDeferCGImageToURL(picture, kept, ImageFileType::PNG, 72, 72, 1.0f, 3));
        ASSERT_TRUE(KXWriteOrDeferCGImageToURL(picture, left, ImageFileType::PNG, 72, 72, 1.0f, 3));
        // A lossy type is written at once: its file holds other pixels than the bitmap.
        ASSERT_TRUE(KXWriteOrDeferCGImageToURL(picture, jpeg, ImageFileType::JPEG, 72, 72, 0.9f, 3));
        std::thread([&] {
            EXPECT_EQ(KXPictureStore::activeOwner(), 0u);
            EXPECT_TRUE(KXWriteOrDeferCGImageToURL(picture, elsewhere, ImageFileType::PNG, 72, 72, 1.0f, 3));
        }).join();
        EXPECT_TRUE(store.isHeld(kept));
        EXPECT_TRUE(store.isHeld(left));
        EXPECT_FALSE(fileExists(kept));
        EXPECT_TRUE(isRegularFile(jpeg));
        EXPECT_TRUE(isRegularFile(elsewhere)) << "a thread without a Deferral writes at once";
        ASSERT_TRUE(store.realize(kept));
    }
    EXPECT_EQ(KXPictureStore::activeOwner(), 0u);
    EXPECT_TRUE(isRegularFile(kept)) << "realized pictures stay";
    EXPECT_FALSE(store.isHeld(left));
    EXPECT_FALSE(fileExists(left)) << "what was left held is forgotten, never written";
    ASSERT_TRUE(KXWriteOrDeferCGImageToURL(picture, after, ImageFileType::PNG, 72, 72, 1.0f, 3));
    EXPECT_TRUE(isRegularFile(after));
}

// A picture handed to a job for writing stays held and readable until the job has run (a page
// ending meanwhile does not drop it), is written with the bytes realize writes, and a realize of
// the path waits for the job instead of writing the file a second time.
TEST(KXPictureStore, APictureBeingWrittenStaysReadableAndRealizeWaitsForItsJob) {
    KXPictureStore store;
    const ImageRef picture = solid(5, 3, 40);
    const std::string path = freshPath("store-later.png"), direct = freshPath("store-later-direct.png");
    std::uint64_t owner = 0;
    KXPictureStore::WriteJob job;
    {
        KXPictureStore::Deferral page;
        owner = page.owner();
        ASSERT_TRUE(store.defer(picture, path, ImageFileType::PNG, 96, 96, 1.0f, 3, owner));
        job = store.writeLater(path);
        ASSERT_TRUE(job.write);
        EXPECT_EQ(job.bytes, picture->pixels.size());
        EXPECT_FALSE(store.writeLater(path).write) << "one job per picture";
        store.dropOwnedBy(owner);
        store.drop(path);
    }
    EXPECT_TRUE(store.isHeld(path)) << "neither the page's end nor a drop takes it from its job";
    EXPECT_EQ(store.read(path), picture);
    EXPECT_FALSE(fileExists(path));
    EXPECT_FALSE(store.writeLater(freshPath("store-not-held.png")).write);

    std::atomic<bool> realized{false};
    std::thread other([&] { realized = store.realize(path); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(fileExists(path)) << "realize waits for the job rather than writing itself";
    ASSERT_TRUE(job.write());
    other.join();
    EXPECT_TRUE(realized);
    EXPECT_FALSE(store.isHeld(path));
    EXPECT_EQ(store.heldBytes(), 0u);
    ASSERT_TRUE(KXWriteCGImageToURL(picture, direct, ImageFileType::PNG, 96, 96, 1.0f, 3));
    EXPECT_EQ(readFile(path), readFile(direct));
}

TEST(KXPictureStore, APictureHeldAsItsPartIsReadAndWrittenWhole) {
    KXPictureStore store;
    // A 40 x 30 picture, transparent but for a 5 x 4 block at (12, 9) inside a transparent margin.
    auto part = Image::make(7, 6, PixelFormat::RGBA8);
    for (int y = 1; y < 5; ++y)
        for (int x = 1; x < 6; ++x) {
            std::uint8_t* p = part->row(y) + 4 * x;
            p[0] = static_cast<std::uint8_t>(40 * x);
            p[1] = static_cast<std::uint8_t>(50 * y);
            p[2] = 77;
            p[3] = static_cast<std::uint8_t>(x == 3 ? 128 : 255);
        }
    const PlacedImage placed{part, 11, 8, 40, 30};
    const ImageRef whole = placed.wholeImage();
    ASSERT_TRUE(whole);
    EXPECT_EQ(test::pixelAt(*whole, 12, 9), (test::RGBA{40, 50, 77, 255}));
    EXPECT_EQ(test::pixelAt(*whole, 11, 8), (test::RGBA{0, 0, 0, 0}));

    const std::string held = freshPath("store-part.png"), direct = freshPath("store-part-direct.png");
    ASSERT_TRUE(store.defer(placed, held, ImageFileType::PNG, 150, 150, 1.0f, 3));
    EXPECT_EQ(store.heldBytes(), part->pixels.size()) << "only the part is counted";
    const PlacedImage back = store.readPlaced(held);
    EXPECT_EQ(back.image, part);
    EXPECT_EQ(std::tie(back.left, back.top, back.width, back.height), std::tie(placed.left, placed.top, placed.width,
                                                                               placed.height));
    ImageRef read = store.read(held);
    ASSERT_TRUE(read);
    EXPECT_EQ(std::tie(read->width, read->height), std::tie(whole->width, whole->height));
    EXPECT_EQ(read->pixels, whole->pixels) << "a reader of the whole picture gets it whole";

    ASSERT_TRUE(store.realize(held));
    ASSERT_TRUE(KXWriteCGImageToURL(whole, direct, ImageFileType::PNG, 150, 150, 1.0f, 3));
    EXPECT_EQ(readFile(held), readFile(direct)) << "written as the whole picture is";
    const PlacedImage fromFile = store.readPlaced(held);
    ASSERT_TRUE(fromFile.isWhole());
    EXPECT_EQ(fromFile.image->pixels, whole->pixels) << "a file is read as a whole picture";

    // Written at once where nothing holds it: the whole picture's file, too.
    const std::string unheld = freshPath("store-part-unheld.png");
    ASSERT_TRUE(KXWriteOrDeferCGImageToURL(placed, unheld, ImageFileType::PNG, 150, 150, 1.0f, 3));
    EXPECT_EQ(readFile(unheld), readFile(direct));
}
