'use strict';

const MAX_RETRIES = 3;
const DEFAULT_DELAY_MS = 250;

/**
 * Fetches a JSON document, retrying on failures.
 * @param {string} url the address
 * @returns {Promise<object>}
 */
async function fetchJson(url, { retries = MAX_RETRIES, delay = DEFAULT_DELAY_MS } = {}) {
  for (let attempt = 0; ; attempt++) {
    try {
      const response = await fetch(url, { headers: { Accept: 'application/json' } });
      if (!response.ok) throw new Error(`HTTP ${response.status} for ${url}`);
      return await response.json();
    } catch (error) {
      if (attempt >= retries) throw error;
      await new Promise((resolve) => setTimeout(resolve, delay * 2 ** attempt));
    }
  }
}

class Cache extends Map {
  constructor(limit = 100) {
    super();
    this.limit = limit;
  }

  set(key, value) {
    if (this.size >= this.limit) this.delete(this.keys().next().value);
    return super.set(key, value);
  }
}

const cache = new Cache(10);
export default async function cached(url) {
  if (!cache.has(url)) cache.set(url, await fetchJson(url));
  return cache.get(url) ?? null;
}

console.log(typeof cached, /^https?:\/\//.test('https://example.org'), [1, 2, 3].map((n) => n * 2));
