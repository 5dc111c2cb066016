<?php
// Test router for `php -S`: serves the site as it is, except that while the site root holds the test's
// fill-in script (vyplnit.js), a session's entry page (index.php: the code form, and after a valid code the
// pupil's form it includes) gets that script before its closing body tag.
$path = parse_url($_SERVER['REQUEST_URI'], PHP_URL_PATH);
$script = $_SERVER['DOCUMENT_ROOT'] . '/vyplnit.js';
if (is_file($script) && preg_match('#^/([0-9]+)/(index\.php)?$#', $path, $m) === 1) {
    $vyplnit = file_get_contents($script);
    // The buffer is handed over at the end of the request, also after the page's own exit.
    ob_start(function ($page) use ($vyplnit) {
        return str_replace('</body>', '<script>' . $vyplnit . '</script></body>', $page);
    });
    include $_SERVER['DOCUMENT_ROOT'] . '/' . $m[1] . '/index.php';
    return true;
}
return false;
