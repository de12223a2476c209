// quellarin-render --serve: the explorer, a page that looks around the
// plane in a browser, and the images and moves it asks for, over HTTP on one
// address (127.0.0.1 unless told otherwise), until interrupted.
//
//   GET /                 the page (and /explorer.js, /explorer.css)
//   GET /image?KEY=VALUE  the bytes quellarin-render --KEY VALUE --output
//                         FILE writes (format=png|bmp|npy)
//   GET /view?VIEW&drag=DX,DY | &zoom=N&at=X,Y&size=WxH
//                         the view moved by a drag of (DX, DY) pixels, or N
//                         wheel notches about pixel (X, Y), as a query
//   GET /location.kfr?VIEW  the view as a location file
//
// Anything else is refused: 404 for another path, 405 for another method,
// 403 for a Host header that is not the server's own address, 414 for a
// query above 512 KiB, 400 with the command line's message for a refused
// value. No request reads a file. One image is computed at a time, with the
// server's workers; a request whose client has gone, or that a newer request
// of the same page (X-Quellarin-Page) supersedes, stops at once.
#pragma once

#include "render_options.h"

#include <cstdint>

// Serves until Ctrl-C, SIGTERM or a closed console; the exit code (0, or 2
// when the address cannot be had).
int serve(const render_options& options, std::uint64_t memory_budget, int workers);
