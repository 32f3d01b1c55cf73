// The emulated SDL's surfaces, made without the per-byte and per-canvas work its own versions do at
// start-up: a surface made from the game's pixels (a font's texture) puts them on its canvas straight
// from the game's memory (one typed-array copy per row where its rows are not packed); its
// display-format copy shares the canvas it already has instead of drawing it once more; and a
// picture loaded from what the page decoded is blitted from the decoded picture itself, drawn on no
// canvas and never read back into memory (a picture still on its way is loaded from its size and
// takes the decoded picture when it comes). The game only blits its pictures and fonts;
// SDL_LockSurface still reads a surface's pixels whenever one is locked.
mergeInto(LibraryManager.library, {
  SDL_CreateRGBSurfaceFrom__deps: ['$SDL'],
  SDL_CreateRGBSurfaceFrom: function (pixels, width, height, depth, pitch, rmask, gmask, bmask, amask) {
    var surf = SDL.makeSurface(width, height, 0, false, 'CreateRGBSurfaceFrom', rmask, gmask, bmask, amask);
    if (depth !== 32) return surf;
    var canvas = SDL.surfaces[surf];
    if (pitch === width * 4) {
      canvas.ctx.putImageData(new ImageData(new Uint8ClampedArray(HEAPU8.buffer, pixels, width * height * 4), width, height), 0, 0);
      return surf;
    }
    var image = canvas.ctx.createImageData(width, height);
    for (var row = 0; row < height; row++) {
      image.data.set(HEAPU8.subarray(pixels + row * pitch, pixels + row * pitch + width * 4), row * width * 4);
    }
    canvas.ctx.putImageData(image, 0, 0);
    return surf;
  },

  // The display format of a canvas's surface is the canvas's own RGBA: the copy and its original
  // share one canvas (the game frees the original at once and draws on neither), and the canvas
  // goes back to the emulated SDL's pool only when the last of the two is freed.
  SDL_DisplayFormatAlpha__deps: ['$SDL', '$shareCanvas'],
  SDL_DisplayFormatAlpha: function (surf) {
    var original = SDL.surfaces[surf];
    var copy = SDL.makeSurface(original.width, original.height, original.flags, false, 'copy:' + original.source);
    shareCanvas(SDL.surfaces[copy], original);
    return copy;
  },

  SDL_FreeSurface__deps: ['$SDL'],
  SDL_FreeSurface: function (surf) {
    if (!surf) return;
    var data = SDL.surfaces[surf];
    if (data && ((data.sharers && --data.sharers.count > 0) || data.picture)) data.canvas = null;
    SDL.freeSurface(surf);
  },

  // A surface takes over the canvas and drawing context of another; the canvas it was made with
  // goes back to the pool for the next surface.
  $shareCanvas__deps: ['$SDL'],
  $shareCanvas: function (data, from) {
    SDL.canvasPool.push(data.canvas);
    data.canvas = from.canvas;
    data.ctx = from.ctx;
    if (!from.sharers) from.sharers = { count: 1 };
    from.sharers.count++;
    data.sharers = from.sharers;
  },

  // A blit from a picture still on its way is made once the picture comes, with the rectangles it
  // was given (the game's start-up draws its background last; no frame shows before every picture
  // is in). Any other blit is the emulated SDL's own.
  SDL_UpperBlit__deps: ['$SDL'],
  SDL_UpperBlit: function (src, srcrect, dst, dstrect) {
    var awaited = SDL.surfaces[src] && SDL.surfaces[src].awaited;
    if (!awaited) return SDL.blitSurface(src, srcrect, dst, dstrect, false);
    var given = [srcrect && SDL.loadRect(srcrect), dstrect && SDL.loadRect(dstrect)];
    awaited.then(function () {
      if (!SDL.surfaces[src] || !SDL.surfaces[dst]) return;
      var top = stackSave();
      var rects = given.map(function (rect) {
        if (!rect) return 0;
        var at = stackAlloc(8);
        SDL.updateRect(at, rect);
        return at;
      });
      SDL.blitSurface(src, rects[0], dst, rects[1], false);
      stackRestore(top);
    }, function () {});
    return 0;
  },

  // A picture's surface blits straight from the picture the page decoded; the canvas it was made
  // with goes back to the pool for the next surface. A picture the page has not decoded yet is its
  // size and a promise of it (`decoded`): the surface blits from the picture once it comes, and the
  // page shows no frame before every picture has. Only when something asks for its drawing context
  // (a lock, or drawing on the picture) is the picture drawn on a canvas of its own.
  IMG_Load_RW__deps: ['$SDL', 'SDL_FreeRW', '$PATH_FS'],
  IMG_Load_RW: function (rwopsID, freeSrc) {
    var rwops = SDL.rwops[rwopsID];
    if (rwops === undefined) return 0;
    var name = rwops.filename === undefined ? undefined : PATH_FS.resolve(rwops.filename);
    var picture = name === undefined ? undefined : Module['preloadedImages'][name];
    if (freeSrc) _SDL_FreeRW(rwopsID);
    if (!picture) {
      err('Cannot find the decoded picture ' + name);
      return 0;
    }
    var surf = SDL.makeSurface(picture.width, picture.height, 0, false, 'load:' + name);
    var data = SDL.surfaces[surf];
    SDL.canvasPool.push(data.canvas);
    data.canvas = picture.decoded ? null : picture;
    data.picture = true;
    data.awaited = picture.decoded;
    if (picture.decoded) {
      picture.decoded.then(function (decoded) {
        data.awaited = null;
        if (data.picture) data.canvas = decoded;
      }, function () {});
    }
    var keep = function (ctx) {
      Object.defineProperty(data, 'ctx', { value: ctx, writable: true, configurable: true, enumerable: true });
    };
    Object.defineProperty(data, 'ctx', {
      configurable: true,
      enumerable: true,
      get: function () {
        var canvas = document.createElement('canvas');
        canvas.width = picture.width;
        canvas.height = picture.height;
        var ctx = canvas.getContext('2d');
        ctx.drawImage(data.canvas, 0, 0);
        keep(ctx);
        data.canvas = canvas;
        data.picture = false;
        return ctx;
      },
      set: keep,
    });
    return surf;
  },
});
