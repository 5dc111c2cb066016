// A pupil on a phone: Debian's Chromium driven by puppeteer-core with touch emulation opens the entry page,
// types the code, answers every screen by tapping, sends; axe-core checks every screen on the way.
//
//   node phone.mjs PLAN.json
//
// PLAN: {"url": entry page, "code": typed code, "width", "height", "javascript": bool, "wrongCode": typed
//        first (the refusal is checked too), "viaFragment": the code comes in the address's fragment,
//        "taps": {field name: [values]}, "texts": {field name: text}, "shots": folder for screenshots}
// Prints one JSON report: {"screens": [{"name", "violations": [rule ids with the first target],
// "sideways": bool, "layoutWidth": CSS pixels the page is laid out in, "smallTargets": [texts], "smallText": [texts], "questions": visible fieldsets,
// "live": the live region once the screen is answered}], "back": {"progress", "ticked"} after the
// browser's Back on the last screen, "wrongCode": text of the refusal, "filled" and "address": the code
// field and the address after a fragment,
// "final": text of the last page, "error": text when the walk broke off}.
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import puppeteer from 'puppeteer-core';

const require = createRequire(import.meta.url);
const axeSource = readFileSync(require.resolve('axe-core/axe.min.js'), 'utf8');
const plan = JSON.parse(readFileSync(process.argv[2], 'utf8'));
const report = { screens: [], final: '', error: '' };

async function check(page, name) {
  // axe-core needs timers: without JavaScript it runs while scripts are let on for it alone (the page's own
  // script was skipped when the page was read and does not run now).
  if (plan.javascript === false) await page.setJavaScriptEnabled(true);
  await page.evaluate(axeSource);
  const axe = await page.evaluate(async () => {
    const result = await window.axe.run(document, {
      runOnly: { type: 'tag', values: ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', 'wcag22aa'] },
    });
    return result.violations.map((v) => `${v.id}: ${v.nodes[0]?.target?.join(' ') ?? ''}`);
  });
  const measured = await page.evaluate(() => {
    const visible = (e) => {
      const r = e.getBoundingClientRect();
      return r.width > 0 && r.height > 0 && getComputedStyle(e).visibility !== 'hidden';
    };
    const smallTargets = [];
    const smallText = [];
    for (const input of document.querySelectorAll('input[type=checkbox], input[type=radio]')) {
      const label = input.closest('label');
      const target = label ?? input;
      if (!visible(target)) continue;
      const r = target.getBoundingClientRect();
      if (r.width < 44 || r.height < 44) smallTargets.push(`${target.textContent.trim()} ${Math.round(r.width)}×${Math.round(r.height)}`);
      if (parseFloat(getComputedStyle(target).fontSize) < 16) smallText.push(target.textContent.trim());
    }
    const fieldsets = [...document.querySelectorAll('fieldset')].filter(visible).length;
    const sideways = document.documentElement.scrollWidth > document.documentElement.clientWidth;
    return { smallTargets, smallText, questions: fieldsets, sideways, layoutWidth: document.documentElement.clientWidth };
  });
  if (plan.shots) await page.screenshot({ path: `${plan.shots}/${name}.png`, fullPage: true });
  report.screens.push({ name, violations: axe, ...measured });
  if (plan.javascript === false) await page.setJavaScriptEnabled(false);
}

// Taps every planned choice that is on the screen now and types the planned texts.
async function answerVisible(page) {
  for (const [field, values] of Object.entries(plan.taps ?? {}))
    for (const value of values) {
      const selector = `input[name="${field}"][value="${value}"]`;
      const shown = await page.$eval(selector, (e) => e.closest('label').getBoundingClientRect().height > 0).catch(() => false);
      const ticked = await page.$eval(selector, (e) => e.checked).catch(() => true);
      if (!shown || ticked) continue;
      await page.$eval(selector, (e) => e.closest('label').scrollIntoView({ block: 'center' }));
      const box = await (await page.$(selector)).evaluateHandle((e) => e.closest('label'));
      await box.asElement().tap();
    }
  for (const [field, text] of Object.entries(plan.texts ?? {})) {
    const selector = `textarea[name="${field}"]`;
    const shown = await page.$eval(selector, (e) => e.getBoundingClientRect().height > 0 && e.value === '').catch(() => false);
    if (shown) await page.type(selector, text);
  }
}

const browser = await puppeteer.launch({
  executablePath: plan.chromium ?? '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--disable-gpu', '--no-first-run'],
});
try {
  const page = await browser.newPage();
  page.setDefaultTimeout(20000);
  page.setDefaultNavigationTimeout(20000);
  await page.setJavaScriptEnabled(plan.javascript !== false);
  await page.emulate({
    userAgent: 'Mozilla/5.0 (Linux; Android 14; Pixel 8) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/156.0 Mobile Safari/537.36',
    viewport: { width: plan.width, height: plan.height, deviceScaleFactor: 2, isMobile: true, hasTouch: true },
  });
  await page.goto(plan.url + (plan.viaFragment ? '#kod=' + encodeURIComponent(plan.code) : ''), { waitUntil: 'load' });
  await check(page, 'vstup');
  if (plan.wrongCode) {
    await page.type('input[name="kod"]', plan.wrongCode);
    await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), page.tap('form [type="submit"]')]);
    await check(page, 'spatny_kod');
    report.wrongCode = await page.evaluate(() => document.body.innerText);
  }
  if (plan.viaFragment) {
    // The slip's QR link: the field is filled from the fragment, which leaves the address.
    report.filled = await page.$eval('input[name="kod"]', (e) => e.value);
    report.address = page.url();
  } else {
    await page.type('input[name="kod"]', plan.code);
  }
  await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), page.tap('form [type="submit"]')]);
  for (let screen = 1; screen < 100; ++screen) {
    await check(page, `otazka${screen}`);
    await answerVisible(page);
    report.screens[report.screens.length - 1].live = await page.evaluate(() => {
      const region = document.getElementById('pocet');
      return region ? region.textContent : '';
    });
    const next = await page.$('button.dalsi:not([hidden])');
    const nextShown = next && (await next.evaluate((e) => e.getBoundingClientRect().height > 0));
    if (!nextShown) {
      if (plan.javascript !== false && screen > 1) {
        // The browser's Back goes to the screen before with its ticks; forward again to send.
        const last = await page.$eval('#postup', (e) => e.textContent);
        await page.evaluate(() => window.history.back());
        await page.waitForFunction((text) => document.getElementById('postup').textContent !== text, {}, last);
        report.back = await page.evaluate(() => {
          const shown = [...document.querySelectorAll('fieldset.otazka')].find((f) => !f.hidden);
          return { progress: document.getElementById('postup').textContent,
                   ticked: shown ? shown.querySelectorAll('input:checked').length : -1 };
        });
        await page.tap('button.dalsi');
        await page.waitForFunction((text) => document.getElementById('postup').textContent === text, {}, last);
      }
      break;
    }
    await next.tap();
  }
  await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), page.tap('input[name="submit"]')]);
  await check(page, 'konec');
  report.final = await page.evaluate(() => document.body.innerText);
} catch (e) {
  report.error = String(e && e.stack ? e.stack : e);
} finally {
  await browser.close();
}
process.stdout.write(JSON.stringify(report));
