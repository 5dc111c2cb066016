<?php
// Test router for `php -S`: serves the site as it is, except that a pupil page asked for with
// "?vyplnit" gets the test's fill-in script (vyplnit.js in the site root) before its closing body tag.
$path = parse_url($_SERVER['REQUEST_URI'], PHP_URL_PATH);
if (isset($_GET['vyplnit']) && preg_match('#^/[0-9]+/zak_[0-9]+\.php$#', $path) === 1) {
    $page = file_get_contents($_SERVER['DOCUMENT_ROOT'] . $path);
    $script = file_get_contents($_SERVER['DOCUMENT_ROOT'] . '/vyplnit.js');
    header('Content-Type: text/html; charset=utf-8');
    echo str_replace('</body>', '<script>' . $script . '</script></body>', $page);
    return true;
}
return false;
