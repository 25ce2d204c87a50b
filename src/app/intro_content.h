#pragma once
// The content the intro plays (pages, font bitmap, song), taken from a content
// pack. Every front end hands the driver its pack before the start-up: the
// built-in one or a user's (intro --content FILE, a Windows program's
// resource, a page's fetched file). The pack's bytes must outlive the intro.
#include <cstddef>
#include <cstdint>

#include "data/content_pack.h"
#include "display/surface.h"

// Reads `bytes` as a content pack, checks its font's header with the BMP
// decoder and its song with the checked module loader; on success the pack
// becomes the intro's content and 0 is returned. On failure the content is
// unchanged and `reason` (cut to reasonSize) says what is wrong; the result
// is a PackStatus: PackBadFont for a font the decoder refuses, PackNoModule
// for a song the loader refuses.
int UseContentPack(const uint8_t* bytes, size_t size, PackFont font, char* reason,
                   size_t reasonSize);

// For a program's own embedded pack (the Windows program's resource, which
// intro-pack checked whole when it wrote it): the layout and the checksum are
// checked, the song is trusted as the built-in module always was, so the
// program links no message formatting. Returns a PackStatus.
int UseEmbeddedContentPack(const uint8_t* bytes, size_t size, PackFont font);

// The content in use. Before any pack: no page, no font, no song, so the
// intro shows nothing and plays nothing rather than reading stale data.
const ContentPack& IntroContent();

// Makes an already read pack the content in use (for the two ways in above).
void SetIntroContent(const ContentPack& pack);

// Back to no content: for tests and tools that run several packs.
void ResetIntroContent();

// The bitmap resources of the content in use, for the memory platforms'
// surface backings (display/memory_backing.h): its font as FontResourceId.
// A front end passes this as the driver's `instance` (and to
// ShowMessageLine) once the content is chosen; the table is refreshed on
// every call, and the pack's bytes must outlive the surfaces made from it.
ResourceSource IntroContentResources();
