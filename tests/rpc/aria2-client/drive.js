"use strict";
// Drives a running KEVA through its remote-control port with the aria2 npm
// client, as a front end does, and prints what it saw as one line of JSON.
//   node drive.js PORT SECRET FOLDER BASE_URL FILES
const Aria2 = require("aria2");

setTimeout(() => {
  console.error("not over within 120 seconds");
  process.exit(1);
}, 120000).unref();

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

(async () => {
  const [port, secret, dir, base, files] = process.argv.slice(2);
  const count = Number(files);
  const aria2 = new Aria2({ host: "127.0.0.1", port: Number(port), secret });
  await aria2.open();
  const events = [];
  for (const name of ["onDownloadStart", "onDownloadPause", "onDownloadStop", "onDownloadComplete", "onDownloadError"])
    aria2.on(name, ([{ gid }]) => events.push([name, gid]));
  const out = {};
  const gids = [];
  for (let n = 1; n <= count; ++n)
    gids.push(await aria2.call("addUri", [`${base}/queued/r${n}.bin`], { dir, out: `r${n}.bin` }));
  gids.push(await aria2.call("addUri", [`${base}/private/r.bin`], { dir, header: ["Cookie: sid=1"] }));
  const missing = await aria2.call("addUri", [`${base}/missing.bin`], { dir });
  out.active = (await aria2.call("tellActive", ["gid"])).length;
  out.waiting = (await aria2.call("tellWaiting", 0, 100, ["gid", "status"])).map((s) => s.status);
  // The last one waits: paused, it stays put until unpaused.
  const last = gids[count - 1];
  await aria2.call("pause", last);
  out.paused = (await aria2.call("tellStatus", last, ["status"])).status;
  await aria2.call("unpause", last);
  const removed = gids[count - 2];
  await aria2.call("remove", removed);
  out.removed = (await aria2.call("tellStatus", removed, ["status"])).status;
  for (;;) {
    const stopped = await aria2.call("tellStopped", 0, 100, ["gid", "status", "files"]);
    const complete = stopped.filter((s) => s.status === "complete");
    if (complete.length === gids.length - 1 && stopped.some((s) => s.gid === missing && s.status === "error")) {
      out.files = complete.map((s) => s.files[0].path).sort();
      break;
    }
    await sleep(200);
  }
  out.stat = await aria2.call("getGlobalStat");
  out.firstEvents = events.filter(([, gid]) => gid === gids[0]).map(([name]) => name);
  out.missingEvents = events.filter(([, gid]) => gid === missing).map(([name]) => name);
  await aria2.close();
  console.log(JSON.stringify(out));
})().catch((error) => {
  console.error(error);
  process.exit(1);
});
