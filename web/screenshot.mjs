// Takes docs/web.png and docs/phone.png: the page in headless Chromium, a match half a second old,
// the player walking right and firing; on the desktop by the keys, on a phone held upright (390x844)
// by two fingers on the touch controls. Usage (after scripts/build-web):
//   node web/screenshot.mjs docs/web.png docs/phone.png
import * as site from '../tests/web/site.mjs';

const [desktopFile = 'docs/web.png', phoneFile = 'docs/phone.png'] = process.argv.slice(2);
const server = await site.serve('build-web');
try {
  const desktop = await site.launchBrowser({ viewport: { width: 820, height: 640 } });
  try {
    const { page } = desktop;
    await page.goto(server.url);
    await site.waitForStatus(page, 'Playing');
    await site.holdKey(page, '1', 100);
    await site.holdKey(page, 'ArrowDown', 500);
    await page.keyboard.down('ArrowRight');
    await page.keyboard.down('Space');
    await page.waitForTimeout(480);
    await page.screenshot({ path: desktopFile });
  } finally {
    await desktop.close();
  }

  const phone = await site.launchBrowser({ viewport: { width: 390, height: 844 }, deviceScaleFactor: 2, isMobile: true, hasTouch: true });
  try {
    const { page } = phone;
    await page.goto(server.url);
    await site.waitForStatus(page, 'Playing');
    const touch = await site.touchScreen(page);
    await touch('touchStart', [await site.centreOf(page, 'Knife', 1)]);
    await page.waitForTimeout(100);
    await touch('touchEnd', []);
    const down = await site.centreOf(page, 'Down', 2);
    await touch('touchStart', [down]);
    await page.waitForTimeout(500);
    await touch('touchEnd', []);
    const right = await site.centreOf(page, 'Right', 3);
    await touch('touchStart', [right]);
    await touch('touchStart', [right, await site.centreOf(page, 'Fire', 4)]);
    await page.waitForTimeout(480);
    await page.screenshot({ path: phoneFile });
  } finally {
    await phone.close();
  }
} finally {
  await server.close();
}
