// The emulated SDL's surfaces, made without the per-byte work its own versions do at start-up: a
// surface made from the game's pixels (a font's texture) takes them in one typed-array copy per row,
// and a picture loaded from what the page decoded is drawn on its canvas without reading its pixels
// back into memory. The game only blits its pictures; SDL_LockSurface still reads a picture's pixels
// whenever one is locked.
mergeInto(LibraryManager.library, {
  SDL_CreateRGBSurfaceFrom__deps: ['$SDL'],
  SDL_CreateRGBSurfaceFrom: function (pixels, width, height, depth, pitch, rmask, gmask, bmask, amask) {
    var surf = SDL.makeSurface(width, height, 0, false, 'CreateRGBSurfaceFrom', rmask, gmask, bmask, amask);
    if (depth !== 32) return surf;
    var canvas = SDL.surfaces[surf];
    var image = canvas.ctx.createImageData(width, height);
    for (var row = 0; row < height; row++) {
      image.data.set(HEAPU8.subarray(pixels + row * pitch, pixels + row * pitch + width * 4), row * width * 4);
    }
    canvas.ctx.putImageData(image, 0, 0);
    return surf;
  },

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
    var ctx = SDL.surfaces[surf].ctx;
    ctx.globalCompositeOperation = 'copy';
    ctx.drawImage(picture, 0, 0);
    ctx.globalCompositeOperation = 'source-over';
    return surf;
  },
});
