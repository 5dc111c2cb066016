"""Sends requests to a site: post_many.py BASE_URL REQUESTS_FILE WORKERS.

REQUESTS_FILE holds one request per line, "PATH BODY": PATH is appended to BASE_URL, BODY is a url-encoded
form body to post, or "GET" to ask with GET. Prints "STATUS BODY" for each request, in the file's order,
BODY being the answer's bytes in base64 ("-" when empty); WORKERS requests run at once.
"""
import base64
import concurrent.futures
import sys
import urllib.error
import urllib.request


def send(base, line):
    path, _, body = line.partition(" ")
    data = None if body == "GET" else body.encode("ascii")
    request = urllib.request.Request(base + path, data=data, method="GET" if data is None else "POST")
    if data is not None:
        request.add_header("Content-Type", "application/x-www-form-urlencoded")
    try:
        with urllib.request.urlopen(request, timeout=120) as response:
            return response.status, response.read()
    except urllib.error.HTTPError as error:
        return error.code, error.read()


def main():
    base, path, workers = sys.argv[1], sys.argv[2], int(sys.argv[3])
    with open(path, encoding="ascii") as file:
        lines = [line.rstrip("\n") for line in file if line.strip()]
    with concurrent.futures.ThreadPoolExecutor(workers) as pool:
        for status, body in pool.map(lambda line: send(base, line), lines):
            print(status, base64.b64encode(body).decode("ascii") if body else "-")


if __name__ == "__main__":
    main()
