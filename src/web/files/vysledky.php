<?php
// Orbelis result collector. Receives the questionnaire forms posted by the pupil pages of this folder
// and appends one line per answer to data.php beside it:
//   session,question,polarity (1/0),respondent,partner (-1 for a text),time,"text" (commas as |, line breaks
//   as _new_line),post
// where post, the same on every line of one post, is the size of data.php when the post's lines were
// appended: unique and increasing, so the import keeps each pupil's last post. The first line of data.php
// stops PHP with a 404, so the server never shows the answers to a browser.
// With pupil codes (povolene.php says 'kody' => true) a post must carry the code of its pupil ("kod"); the
// pupil is the one kody.php gives for the code's SHA-256, and a post naming a pupil id is refused. Without
// codes the form names its pupil ("id_zaka"). Only the fields the forms send are accepted and every id is
// checked against povolene.php, written with the forms. Anything else is answered with HTTP 400 (403 for a
// code that opens no form) and nothing is written. When the collector's own files are missing or damaged,
// or data.php cannot be written, it answers HTTP 503 and notes the reason in chyby.php for the teacher.
// data.php is written under an exclusive lock, so pupils sending at once never lose or mix lines.
// Runs on PHP 7.4 and 8.x without extensions.

header('Content-Type: text/html; charset=utf-8');
header('X-Content-Type-Options: nosniff');
header('X-Robots-Tag: noindex');
header('Cache-Control: no-store');

// The first line of data.php and chyby.php.
const STRAZ = "<?php http_response_code(404); exit; ?>\r\n";

function stranka($nadpis, $text)
{
    echo "<!DOCTYPE html>\n<html lang=\"cs\">\n<head>\n<meta charset=\"utf-8\">\n";
    echo "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
    echo "<meta name=\"robots\" content=\"noindex\">\n";
    echo "<title>" . $nadpis . "</title>\n<link rel=\"stylesheet\" href=\"../style.css\" type=\"text/css\">\n";
    echo "</head>\n<body>\n<h1>" . $nadpis . "</h1>\n<p>" . $text . "</p>\n</body>\n</html>\n";
}

function odmitnout()
{
    http_response_code(400);
    stranka('Odpověď nebyla přijata', 'Formulář nebyl vyplněn tak, jak byl vytvořen. Otevřete si prosím svůj dotazník znovu.');
    exit;
}

function neplatny_kod()
{
    http_response_code(403);
    stranka('Odpověď nebyla přijata', 'Kód, se kterým byl dotazník odeslán, neplatí. Otevřete si prosím dotazník znovu se svým kódem z lístku.');
    exit;
}

// Appends "time<TAB>reason" to chyby.php, which the publishing reads back and reports; silently gives up
// when even that file cannot be written.
function zapsat_chybu($duvod)
{
    $soubor = @fopen(__DIR__ . '/chyby.php', 'ab');
    if ($soubor === false) {
        return;
    }
    if (flock($soubor, LOCK_EX)) {
        $stav = fstat($soubor);
        $straz = $stav !== false && $stav['size'] === 0 ? STRAZ : '';
        @fwrite($soubor, $straz . date('Y-m-d H:i:s') . "\t" . $duvod . "\r\n");
        fflush($soubor);
        flock($soubor, LOCK_UN);
    }
    fclose($soubor);
}

// A fault of the server, not of the post: the pupil is told that nothing was saved and the reason is logged.
function porucha($duvod)
{
    zapsat_chybu($duvod);
    http_response_code(503);
    stranka('Odpověď nebyla uložena', 'Sběr odpovědí na serveru teď nefunguje, vaše odpovědi se neuložily. Řekněte to prosím učiteli. Dotazník můžete odeslat znovu později: vraťte se tlačítkem Zpět, vyplněné odpovědi v něm zůstávají.');
    exit;
}

// The array a PHP file of this folder returns, or null when it is missing, unreadable or damaged (a file
// cut short by an interrupted upload does not parse).
function nacist($jmeno)
{
    $cesta = __DIR__ . '/' . $jmeno;
    if (!is_file($cesta)) {
        return null;
    }
    try {
        $obsah = @include $cesta;
    } catch (Throwable $e) {
        return null;
    }
    return is_array($obsah) ? $obsah : null;
}

// A positive decimal id as the forms write it.
function je_id($hodnota)
{
    return is_string($hodnota) && preg_match('/^[1-9][0-9]{0,9}$/', $hodnota) === 1;
}

// The text as the import reads it: in double quotes, without commas and line breaks.
function zapsany_text($text)
{
    $text = str_replace(array("\r\n", "\r"), "\n", $text);
    $text = preg_replace('/[\x00-\x08\x0B-\x1F\x7F]/', '', $text);
    $text = str_replace(array("\n", ','), array('_new_line', '|'), $text);
    return '"' . $text . '"';
}

if (($_SERVER['REQUEST_METHOD'] ?? '') !== 'POST' || !empty($_FILES) || !empty($_GET)) {
    odmitnout();
}
$povolene = nacist('povolene.php');
if ($povolene === null || !isset($povolene['vyhodnoceni'], $povolene['max'], $povolene['zaci'], $povolene['otazky'])
    || !is_int($povolene['vyhodnoceni']) || !is_int($povolene['max'])
    || !is_array($povolene['zaci']) || !is_array($povolene['otazky'])) {
    porucha('Seznam povolených odpovědí (povolene.php) chybí nebo je poškozený.');
}
// An allowed-ids file without the flag comes from forms that post the pupil's id.
$s_kody = ($povolene['kody'] ?? false) === true;

$pevna = $s_kody ? array('id_vyhodnoceni', 'kod', 'max', 'submit') : array('id_vyhodnoceni', 'id_zaka', 'max', 'submit');
if ($s_kody && isset($_POST['id_zaka'])) {
    odmitnout();
}
foreach ($pevna as $pole) {
    if (!isset($_POST[$pole]) || !is_string($_POST[$pole])) {
        odmitnout();
    }
}
if ($_POST['submit'] !== 'Odeslat'
    || !je_id($_POST['id_vyhodnoceni']) || (int) $_POST['id_vyhodnoceni'] !== $povolene['vyhodnoceni']
    || !je_id($_POST['max']) || (int) $_POST['max'] !== $povolene['max']) {
    odmitnout();
}
if ($s_kody) {
    // The code as a pupil may type it: any case, with a dash or blanks.
    $kod = strtoupper(preg_replace('/[\s-]+/', '', $_POST['kod']));
    if (preg_match('/^[2-9A-HJ-NP-Z]{8}$/', $kod) !== 1) {
        odmitnout();
    }
    $kody = nacist('kody.php');
    if ($kody === null) {
        porucha('Seznam kódů (kody.php) chybí nebo je poškozený.');
    }
    $zak = $kody[hash('sha256', $kod)] ?? null;
    if (!is_int($zak) || !in_array($zak, $povolene['zaci'], true)) {
        neplatny_kod();
    }
} else {
    if (!je_id($_POST['id_zaka']) || !in_array((int) $_POST['id_zaka'], $povolene['zaci'], true)) {
        odmitnout();
    }
    $zak = (int) $_POST['id_zaka'];
}
$vyhodnoceni = (int) $_POST['id_vyhodnoceni'];
$cas = date('Y-m-d H:i:s');

$radky = array();
foreach ($_POST as $pole => $hodnota) {
    $pole = (string) $pole;
    if (in_array($pole, $pevna, true)) {
        continue;
    }
    if (preg_match('/^ot_([1-9][0-9]{0,9})_typ$/', $pole, $m) === 1) {
        $otazka = (int) $m[1];
        if ($hodnota !== 'slovni' || !isset($povolene['otazky'][$otazka]) || !$povolene['otazky'][$otazka]['slovni']) {
            odmitnout();
        }
        continue;
    }
    if (preg_match('/^ot_(neg_)?([1-9][0-9]{0,9})$/', $pole, $m) !== 1 || !is_array($hodnota)) {
        odmitnout();
    }
    $zaporna = $m[1] !== '';
    $otazka = (int) $m[2];
    if (!isset($povolene['otazky'][$otazka])) {
        odmitnout();
    }
    $popis = $povolene['otazky'][$otazka];
    if ($popis['slovni'] && !$zaporna) {
        // The text area of a free-text question: one text of valid UTF-8.
        if (count($hodnota) !== 1 || !isset($hodnota[0]) || !is_string($hodnota[0])
            || strlen($hodnota[0]) > 20000 || preg_match('//u', $hodnota[0]) !== 1) {
            odmitnout();
        }
        if (trim($hodnota[0]) !== '') {
            $radky[] = $vyhodnoceni . ',' . $otazka . ',1,' . $zak . ',-1,' . $cas . ',' . zapsany_text($hodnota[0]);
        }
        continue;
    }
    $nabidka = $zaporna ? $popis['neg'] : $popis['poz'];
    $vybrano = array();
    foreach ($hodnota as $klic => $partner) {
        if (!is_int($klic) || !je_id($partner)) {
            odmitnout();
        }
        $partner = (int) $partner;
        if ($partner === $zak || !in_array($partner, $nabidka, true)) {
            odmitnout();
        }
        $vybrano[$partner] = true;
    }
    foreach (array_keys($vybrano) as $partner) {
        $radky[] = $vyhodnoceni . ',' . $otazka . ',' . ($zaporna ? '0' : '1') . ',' . $zak . ',' . $partner . ',' . $cas . ',-';
    }
}

if (count($radky) > 0) {
    $soubor = @fopen(__DIR__ . '/data.php', 'ab');
    if ($soubor === false) {
        porucha('Do souboru s odpověďmi (data.php) nelze zapisovat.');
    }
    if (!flock($soubor, LOCK_EX)) {
        fclose($soubor);
        porucha('Soubor s odpověďmi (data.php) nelze zamknout.');
    }
    $stav = fstat($soubor);
    if ($stav === false) {
        flock($soubor, LOCK_UN);
        fclose($soubor);
        porucha('Velikost souboru s odpověďmi (data.php) nelze zjistit.');
    }
    $velikost = $stav['size'];
    $straz = $velikost === 0 ? STRAZ : '';
    $cislo = $velikost + strlen($straz);
    $data = $straz . implode(',' . $cislo . "\r\n", $radky) . ',' . $cislo . "\r\n";
    $zapsano = 0;
    while ($zapsano < strlen($data)) {
        $kus = @fwrite($soubor, substr($data, $zapsano));
        if ($kus === false || $kus === 0) {
            break;
        }
        $zapsano += $kus;
    }
    $cele = $zapsano === strlen($data) && fflush($soubor);
    if (!$cele) {
        // A part of a post would merge with the next post's first line: the file goes back to its size.
        ftruncate($soubor, $velikost);
    }
    flock($soubor, LOCK_UN);
    fclose($soubor);
    if (!$cele) {
        porucha('Do souboru s odpověďmi (data.php) se nepodařilo zapsat celou odpověď (plný disk?).');
    }
}

stranka('Děkujeme', $s_kody
    ? 'Odpovědi jsou uložené. Můžeš je změnit, když se přihlásíš kódem znovu.'
    : 'Odpovědi jsou uložené. Můžeš je změnit, když dotazník vyplníš a odešleš znovu.');
