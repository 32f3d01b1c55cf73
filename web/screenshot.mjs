// Takes docs/web.png: the page in headless Chromium, a match half a second old, the player walking
// right and firing. Usage (after scripts/build-web): node web/screenshot.mjs docs/web.png
import * as site from '../tests/web/site.mjs';

const server = await site.serve('build-web');
const browser = await site.launchBrowser();
try {
  const { page } = browser;
  await page.setViewportSize({ width: 820, height: 640 });
  await page.goto(server.url);
  await site.waitForStatus(page, 'Playing');
  await site.holdKey(page, '1', 100);
  await site.holdKey(page, 'ArrowDown', 500);
  await page.keyboard.down('ArrowRight');
  await page.keyboard.down('Space');
  await page.waitForTimeout(480);
  await page.screenshot({ path: process.argv[2] || 'docs/web.png' });
} finally {
  await browser.close();
  await server.close();
}
