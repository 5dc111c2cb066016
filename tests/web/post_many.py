"""Posts form bodies to a URL: post_many.py URL BODIES_FILE WORKERS.

BODIES_FILE holds one url-encoded body per line ("GET" asks with GET instead). Prints the HTTP status of
each body, in the file's order; WORKERS posts run at once.
"""
import concurrent.futures
import sys
import urllib.error
import urllib.request


def send(url, body):
    data = None if body == "GET" else body.encode("ascii")
    request = urllib.request.Request(url, data=data, method="GET" if data is None else "POST")
    if data is not None:
        request.add_header("Content-Type", "application/x-www-form-urlencoded")
    try:
        with urllib.request.urlopen(request, timeout=120) as response:
            return response.status
    except urllib.error.HTTPError as error:
        return error.code


def main():
    url, path, workers = sys.argv[1], sys.argv[2], int(sys.argv[3])
    with open(path, encoding="ascii") as file:
        bodies = [line.rstrip("\n") for line in file]
    with concurrent.futures.ThreadPoolExecutor(workers) as pool:
        for status in pool.map(lambda body: send(url, body), bodies):
            print(status)


if __name__ == "__main__":
    main()
