"use strict";
// Drives a remote-control port with the aria2 npm client, as aria2's users
// do, and prints the shape of each answer (the keys of objects, the kinds of
// values) as one line of JSON, so that two servers can be compared.
//   node shapes.js PORT SECRET
const Aria2 = require("aria2");

function shape(value) {
  if (Array.isArray(value)) return value.length ? [shape(value[0])] : [];
  if (value && typeof value === "object") {
    const keys = {};
    for (const key of Object.keys(value).sort()) keys[key] = shape(value[key]);
    return keys;
  }
  return typeof value;
}

async function failure(promise) {
  try {
    await promise;
    return "no error";
  } catch (error) {
    return { code: error.code, message: error.message };
  }
}

setTimeout(() => {
  console.error("no answer within 20 seconds");
  process.exit(1);
}, 20000).unref();

(async () => {
  const [port, secret] = process.argv.slice(2);
  const aria2 = new Aria2({ host: "127.0.0.1", port: Number(port), secret });
  const out = {};
  // Over HTTP.
  out.version = shape(await aria2.call("getVersion"));
  const gid = await aria2.call("addUri", ["http://127.0.0.1:9/file.bin"], { pause: "true", split: "2" });
  out.gidForm = /^[0-9a-f]{16}$/.test(gid);
  out.tellStatus = shape(await aria2.call("tellStatus", gid));
  out.tellStatusKeys = shape(await aria2.call("tellStatus", gid, ["gid", "status", "totalLength"]));
  out.tellWaiting = shape(await aria2.call("tellWaiting", 0, 10));
  out.tellStoppedBeyond = await aria2.call("tellStopped", -5, 1);
  out.getFiles = shape(await aria2.call("getFiles", gid));
  out.getUris = shape(await aria2.call("getUris", gid));
  out.globalStat = shape(await aria2.call("getGlobalStat"));
  out.multicall = shape(await aria2.multicall([["getGlobalStat"], ["tellStatus", gid, ["status"]]]));
  out.batch = shape(await aria2.batch([["getSessionInfo"], ["tellStatus", gid, ["gid"]]]).then((calls) => Promise.all(calls)));
  out.unknownGid = await failure(aria2.call("tellStatus", "ffffffffffffffff"));
  out.wrongSecret = await failure(new Aria2({ host: "127.0.0.1", port: Number(port), secret: "x" }).call("getGlobalStat"));
  out.notifications = (await aria2.listNotifications()).filter((name) => !name.startsWith("onBt"));
  // Over a WebSocket: a call, and the notification of the start.
  await aria2.open();
  out.sessionInfo = shape(await aria2.call("getSessionInfo"));
  const started = new Promise((resolve) => aria2.once("onDownloadStart", resolve));
  out.unpause = (await aria2.call("unpause", gid)) === gid;
  out.onDownloadStart = shape(await started);
  await aria2.close();
  console.log(JSON.stringify(out));
})().catch((error) => {
  console.error(error);
  process.exit(1);
});
